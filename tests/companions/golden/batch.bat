@echo off

set EXEFILE=C:\TRYCUT\TRYCUT2000.exe

set DATADIR=%~dp0
set NCFILE=C:\CAM\ncdata\O12.nc
set CTLFILE=O12.CTL
set ATCFILE=O12.ttl
set BOXFILE=O12.box
cd /d %DATADIR%

start %EXEFILE%   /s (0,0,50) /d %BOXFILE% /t %ATCFILE% /c %CTLFILE% %NCFILE%
