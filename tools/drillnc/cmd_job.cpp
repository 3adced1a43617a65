// Commands over the job definition file: new, hole, show.
#include "tools/drillnc/headless.h"

namespace drillnc {

int RunNew(Session& session, const std::vector<std::string>&) { return session.Fail("not built yet"); }
int RunHole(Session& session, const std::vector<std::string>&) { return session.Fail("not built yet"); }
int RunShow(Session& session, const std::vector<std::string>&) { return session.Fail("not built yet"); }

}  // namespace drillnc
