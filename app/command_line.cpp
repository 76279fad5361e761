#include "app/command_line.h"

#include <cstddef>
#include <string_view>

#include "app/main_loop.h"
#include "settings/registry.h"
#include "store/component_files.h"

namespace vexilo {

void writeUsage(std::ostream& out, HelpSystem system) {
  const bool windows = system == HelpSystem::windows;
  out << (windows ? "Usage: vexilo [--help | /? | -h | --version]\n"
                  : "Usage: vexilo [--help | --version]\n")
      << "A console cipher machine of three rotors, a reflector and a plugboard over the\n"
         "letters a to z: a toy for learning how such a machine works, never for secrets.\n"
         "\n"
         "It is interactive: it asks its questions on standard output and reads the\n"
         "answers from standard input, one to a line, so a script can give them all in\n"
      << (windows ? "advance. Its machines are kept in four text files in the folder it runs in:\n"
                  : "advance. Its machines are kept in four text files in the working directory:\n")
      << "  " << rotorFileName << " (rotors)\n"
      << "  " << reflectorFileName << " (reflectors)\n"
      << "  " << plugboardFileName << " (plugboards)\n"
      << "  " << registryFileName << " (settings)\n"
      << "\n";
  if (windows) {
    out << "Example for Command Prompt, in the folder of vexilo.exe, where answers.txt\n"
           "holds the lines 1, 4, in.txt, out.txt and 1 (as Notepad writes them): a random\n"
           "setting, file mode from in.txt to out.txt, then exit; the exit status is 1 when\n"
           "in.txt cannot be opened:\n"
           "  vexilo < answers.txt > NUL\n"
           "Elsewhere, write the program's path for vexilo, in double quotes when it holds\n"
           "blanks. A file name that holds blanks is typed in double quotes, such as\n"
           "\"my letter.txt\".\n"
           "\n"
           "Options:\n"
           "  --help, /?, -h  show this text and exit\n"
           "  --version       show the version and exit\n"
           "Any other argument is ignored. The whole manual: manual.html (or manual.txt)\n"
           "beside vexilo.exe; README.html there shows a first session.\n";
    return;
  }
  out << "Example: a random setting, file mode from in.txt to out.txt, then exit; the exit\n"
         "status is 1 when in.txt cannot be opened:\n"
         "  printf '1\\n4\\nin.txt\\nout.txt\\n1\\n' | vexilo > /dev/null\n"
         "A file name that holds blanks is typed in double quotes: \"my letter.txt\".\n"
         "\n"
         "Options:\n"
         "  --help     show this text and exit\n"
         "  --version  show the version and exit\n"
         "Any other argument is ignored. The whole manual: man vexilo\n";
}

int runCommandLine(std::span<const char* const> arguments, std::istream& in, std::ostream& out,
                   std::ostream& err, HelpSystem system) {
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::string_view argument(arguments[i]);
    // Windows' programs answer "/?", and many "-h", with their help.
    if (argument == "--help" ||
        (system == HelpSystem::windows && (argument == "/?" || argument == "-h"))) {
      writeUsage(out, system);
      return 0;
    }
    if (argument == "--version") {
      out << "vexilo " VEXILO_VERSION "\n";
      return 0;
    }
  }
  return runVexilo(in, out, err);
}

}  // namespace vexilo
