#include "settings/output_file.h"

#include <cerrno>
#include <optional>
#include <utility>

#include "settings/registry.h"
#include "store/file_location.h"
#include "store/file_system.h"

namespace vexilo {
namespace {

// Whether the file at `location` may take the output: not the input, nor a file of the store.
Status mayTakeOutput(const FileLocation& location, const OpenFile& input,
                     const std::string& storeDirectory) {
  if (location.file) {
    const Result<FileIdentity> inputIdentity = identityOf(input.get());
    if (inputIdentity && *location.file == *inputIdentity) {
      return ownError(OwnReason::isTheInputFile);
    }
  }
  if (namesStoreFile(location, storeDirectory)) return ownError(OwnReason::isAStoreFile);
  return Done{};
}

}  // namespace

// A file that exists is opened as it is (a device too, which has no identity to judge: on Windows
// NUL and the console); one that does not is made exclusively where the name leads, so that a
// refused output takes away only a file that this run made.
Result<OpenFile> openOutput(const std::string& outputName, const OpenFile& input,
                            const std::string& storeDirectory) {
  for (;;) {
    Result<FileLocation> target = locateFile(outputName);
    if (!target) return target.error();
    if (const Status allowed = mayTakeOutput(*target, input, storeDirectory); !allowed) {
      return allowed.error();
    }
    Result<OpenedFile> output = openFile(outputName, OpenMode::writing);
    if (!output && output.error().number == ENOENT && !target->file && target->directory.isOpen()) {
      Result<OpenFile> made = openAt(target->directory, target->name, OpenMode::creatingToWrite);
      // Another program made the file in between: it is judged as one that exists.
      if (!made && made.error().number == EEXIST) continue;
      if (made) output = OpenedFile{std::move(*made), true};
    }
    if (!output) return output.error();
    if (const Result<FileIdentity> opened = identityOf(output->file.get())) {
      target->file = *opened;
      if (const Status allowed = mayTakeOutput(*target, input, storeDirectory); !allowed) {
        if (output->created) (void)removeFileAt(*target, output->file);
        return allowed.error();
      }
    } else if (const Result<FileStatus> status = statusOf(output->file.get());
               !status || status->kind != FileKind::other) {
      return opened.error();
    }
    // A file already empty is not cut: on ext4 a cut to nothing has the whole new content written
    // out when the file is closed, which took file mode twice its time.
    const Result<std::uint64_t> size = regularFileSize(output->file.get());
    if (size && *size > 0) {
      if (const Status cut = cutBack(output->file.get(), 0); !cut) return cut.error();
    }
    return std::move(output->file);
  }
}

}  // namespace vexilo
