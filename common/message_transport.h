// The channel seam: how the lines of the drilling program reach a message
// window of a given identity (class name, window name). The real transport
// is a local socket; tests record; the command line prints.
#pragma once

#include <functional>
#include <string>

namespace common {

class MessageTransport {
 public:
  virtual ~MessageTransport() = default;
  // True when a window of this identity is there and answers.
  virtual bool Find(const std::string& className, const std::string& windowName) = 0;
  // Appends the line to the window's list and selects it, waiting until the
  // window has handled it (a bounded wait). False when it was not delivered.
  virtual bool AddLine(const std::string& className, const std::string& windowName, const std::string& line) = 0;
  // Asks the window to write its log and end; does not wait.
  virtual void PostClose(const std::string& className, const std::string& windowName) = 0;
  // Brings the window back from the minimised state.
  virtual void Restore(const std::string& className, const std::string& windowName) = 0;
};

// A transport that delivers every line to a callback (the command line and
// tests): the window is always "there".
class CallbackTransport : public MessageTransport {
 public:
  using Sink = std::function<void(const std::string& line)>;
  explicit CallbackTransport(Sink sink) : sink_(std::move(sink)) {}
  bool Find(const std::string&, const std::string&) override { return true; }
  bool AddLine(const std::string&, const std::string&, const std::string& line) override {
    sink_(line);
    return true;
  }
  void PostClose(const std::string&, const std::string&) override {}
  void Restore(const std::string&, const std::string&) override {}

 private:
  Sink sink_;
};

}  // namespace common
