#include <iostream>

#include "app/main_loop.h"

int main() {
  // Standard input stays tied to standard output, so every prompt is shown before its answer is
  // read; unsynchronised streams keep file and line output fast.
  std::ios::sync_with_stdio(false);
  return vexilo::runVexilo(std::cin, std::cout);
}
