#pragma once
// The framework's exception classes. Handlers of the system catch none of them; the
// framework reports an uncaught one and ends the application through the quit path.
#include <exception>
#include <memory>
#include <string>

namespace fw {

class RuntimeException : public std::exception {
 public:
  RuntimeException() = default;
  explicit RuntimeException(std::string message) : message_(std::move(message)) {}
  virtual std::string ClassName() const { return "RuntimeException"; }
  const std::string& Message() const { return message_; }
  const char* what() const noexcept override { return message_.c_str(); }
  virtual std::shared_ptr<RuntimeException> Clone() const {
    return std::make_shared<RuntimeException>(*this);
  }

 private:
  std::string message_;
};

#define FW_EXCEPTION_CLASS(Name, DefaultMessage)                                 \
  class Name : public RuntimeException {                                         \
   public:                                                                       \
    Name() : RuntimeException(DefaultMessage) {}                                 \
    explicit Name(std::string message) : RuntimeException(std::move(message)) {} \
    std::string ClassName() const override { return #Name; }                     \
    std::shared_ptr<RuntimeException> Clone() const override {                   \
      return std::make_shared<Name>(*this);                                      \
    }                                                                            \
  };

FW_EXCEPTION_CLASS(NilObjectException, "an object that does not exist was used")
FW_EXCEPTION_CLASS(OutOfBoundsException, "index out of bounds")
FW_EXCEPTION_CLASS(IllegalCastException, "object of the wrong class")
FW_EXCEPTION_CLASS(PropertyStreamException, "malformed layout property stream")

#undef FW_EXCEPTION_CLASS

class IOException : public RuntimeException {
 public:
  IOException(std::string message, int errorCode)
      : RuntimeException(std::move(message)), errorCode_(errorCode) {}
  std::string ClassName() const override { return "IOException"; }
  int ErrorNumber() const { return errorCode_; }
  std::shared_ptr<RuntimeException> Clone() const override {
    return std::make_shared<IOException>(*this);
  }

 private:
  int errorCode_;
};

// Runs fn(arg). Returns the RuntimeException (or subclass) it raised, nullptr when it raised
// none; any other exception passes on to the caller. The body of every exception helper.
inline std::shared_ptr<RuntimeException> CallCatchingRuntimeException(void (*fn)(void*),
                                                                      void* arg) {
  try {
    fn(arg);
  } catch (const RuntimeException& e) {
    return e.Clone();
  }
  return nullptr;
}

}  // namespace fw
