#include "app/standard_output.h"

int main() { return vexilo::runOnStandardStreams(); }
