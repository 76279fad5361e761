// What a call into the system returns: the value asked for, or the reason there is none. A reason
// is the system's, as the error number POSIX gives it (on Windows with the system's own code
// beside it), or one of the program's own; its text is the same on every system.
#ifndef VEXILO_SYSTEM_RESULT_H_
#define VEXILO_SYSTEM_RESULT_H_

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace vexilo {

// Reasons of the program's own, beside the system's.
enum class OwnReason : std::uint8_t {
  none,             // the reason is the system's
  notARegularFile,  // a store file must be a regular file
  nameHoldsNul,     // the system would open the name up to the NUL, another file than the one typed
  isTheInputFile,   // file mode's output would empty its input before it is read
  isAStoreFile,     // file mode's output would overwrite the user's keys
  quoteNotClosed,   // a typed name opened with a double quote that its line does not close
};

// Why a call failed.
struct Error {
  int number = 0;                // ENOENT and the like; 0 for a reason of the program's own
  std::uint32_t systemCode = 0;  // on Windows the system's own code (GetLastError's); else 0
  OwnReason own = OwnReason::none;
  friend bool operator==(const Error&, const Error&) = default;
};

inline Error errorNumbered(int number) { return Error{number}; }
inline Error ownError(OwnReason reason) { return Error{0, 0, reason}; }

// The reason as the notes say it: the system's wording, glibc's on every system ("No such file or
// directory"), or the program's own ("not a regular file", "its name holds a NUL byte", "it is the
// input file", "it is a file of the store", "its double quote is not closed").
std::string errorText(const Error& error);

// The text of a system's error number alone: glibc's wording, which the Windows files repeat.
std::string systemErrorText(int errorNumber);

// Stands for a call's success where it has no value to give.
struct Done {};

// `Value`, or the `Error` that kept the call from giving it.
template <typename Value = Done>
class [[nodiscard]] Result {
 public:
  Result(Value value) : value_(std::move(value)) {}
  Result(Error error) : error_(error) {}

  bool ok() const { return value_.has_value(); }
  explicit operator bool() const { return ok(); }
  Value& operator*() { return *value_; }
  const Value& operator*() const { return *value_; }
  Value* operator->() { return &*value_; }
  const Value* operator->() const { return &*value_; }
  // Meaningful only when not `ok()`.
  const Error& error() const { return error_; }

 private:
  std::optional<Value> value_;
  Error error_;
};

using Status = Result<Done>;

}  // namespace vexilo

#endif  // VEXILO_SYSTEM_RESULT_H_
