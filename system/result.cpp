#include "system/result.h"

namespace vexilo {

std::string errorText(const Error& error) {
  switch (error.own) {
    case OwnReason::none:
      return systemErrorText(error.number);
    case OwnReason::notARegularFile:
      return "not a regular file";
    case OwnReason::nameHoldsNul:
      return "its name holds a NUL byte";
    case OwnReason::isTheInputFile:
      return "it is the input file";
    case OwnReason::isAStoreFile:
      return "it is a file of the store";
    case OwnReason::quoteNotClosed:
      return "its double quote is not closed";
  }
  return systemErrorText(error.number);
}

}  // namespace vexilo
