#include <cstddef>

#include "app/standard_output.h"

int main(int argc, char** argv) {
  return vexilo::runOnStandardStreams({argv, static_cast<std::size_t>(argc)});
}
