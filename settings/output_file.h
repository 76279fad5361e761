// The file that a program writes a text into, derived from an input file and a store: never the
// input, which opening the output would empty before it is read, nor a file of the store, which
// holds the user's keys.
#ifndef VEXILO_SETTINGS_OUTPUT_FILE_H_
#define VEXILO_SETTINGS_OUTPUT_FILE_H_

#include <string>

#include "system/files.h"
#include "system/result.h"

namespace vexilo {

// Opens `outputName` for writing, emptied, unless it is the file open on `input` (which may be
// closed, for an input that is no file) or a file of the store in `storeDirectory` (the working
// directory when empty). The output is judged before it is opened, so that a file of the store not
// made yet is not made by the open; and after, by the file the system opened, should the name lead
// elsewhere by then. It is emptied only once it has passed. A refusal is one of the program's own
// reasons ("it is the input file", "it is a file of the store"); any other failure is the system's.
Result<OpenFile> openOutput(const std::string& outputName, const OpenFile& input,
                            const std::string& storeDirectory = "");

}  // namespace vexilo

#endif  // VEXILO_SETTINGS_OUTPUT_FILE_H_
