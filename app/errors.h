// The program's error types. Each carries the class name the error boxes show
// and the code address where it was raised; the texts come from the string
// table.
#ifndef TARVELO_APP_ERRORS_H
#define TARVELO_APP_ERRORS_H

#include <windows.h>

#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <utility>

#include "app/resource_text.h"
#include "resources/resource_ids.h"

#if defined(_MSC_VER)
#include <intrin.h>
#define TARVELO_RETURN_ADDRESS() _ReturnAddress()
#else
#define TARVELO_RETURN_ADDRESS() __builtin_return_address(0)
#endif

namespace tarvelo {

// A failure with the text the error box shows. The text is shared so that
// copying the exception, as throwing may, cannot itself fail. It is made with new, not make_shared: built without run-time
// type information, make_shared's deleter lookup links a type comparison
// with its own once-guard and hash (5 KB of the program).
class Failure : public std::exception {
 public:
  explicit Failure(std::string text) : text_(new const std::string(std::move(text))) {}
  const char* what() const noexcept override { return text_->c_str(); }

 private:
  std::shared_ptr<const std::string> text_;
};

class Error : public Failure {
 public:
  Error(const char* className, const std::string& text)
      : Failure(text),
        className_(className),
        address_(reinterpret_cast<std::uintptr_t>(TARVELO_RETURN_ADDRESS())) {}

  const char* ClassName() const noexcept { return className_; }
  std::uintptr_t Address() const noexcept { return address_; }

 private:
  const char* className_;
  std::uintptr_t address_;
};

// A system resource (a window, a menu, the notification-area icon) could not
// be created. `textId` names the text of the string table.
class OutOfResourcesError : public Error {
 public:
  explicit OutOfResourcesError(UINT textId = IDS_OUT_OF_RESOURCES)
      : Error("EOutOfResources", ResourceText(textId)) {}
};

// A registry value could not be written.
class RegistryError : public Error {
 public:
  explicit RegistryError(const std::string& valueName)
      : Error("ERegistryException", ResourceText(IDS_REGISTRY_WRITE_FAILED, {valueName})) {}
};

}  // namespace tarvelo

#endif
