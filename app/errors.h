// The program's error types. Each carries the class name the error boxes show
// and the code address where it was raised.
#ifndef TARVELO_APP_ERRORS_H
#define TARVELO_APP_ERRORS_H

#include <cstdint>
#include <stdexcept>
#include <string>

#if defined(_MSC_VER)
#include <intrin.h>
#define TARVELO_RETURN_ADDRESS() _ReturnAddress()
#else
#define TARVELO_RETURN_ADDRESS() __builtin_return_address(0)
#endif

namespace tarvelo {

class Error : public std::runtime_error {
 public:
  Error(const char* className, const std::string& text)
      : std::runtime_error(text),
        className_(className),
        address_(reinterpret_cast<std::uintptr_t>(TARVELO_RETURN_ADDRESS())) {}

  const char* ClassName() const noexcept { return className_; }
  std::uintptr_t Address() const noexcept { return address_; }

 private:
  const char* className_;
  std::uintptr_t address_;
};

// A system resource (such as the notification-area icon) could not be created.
class OutOfResourcesError : public Error {
 public:
  explicit OutOfResourcesError(const std::string& text) : Error("EOutOfResources", text) {}
};

// A registry value could not be written.
class RegistryError : public Error {
 public:
  explicit RegistryError(const std::string& text) : Error("ERegistryException", text) {}
};

}  // namespace tarvelo

#endif
