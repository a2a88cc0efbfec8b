// The program entry: windows are created in a fixed order, then the event loop runs.
#include "app/ui/ProgramEntry.h"

int main(int argc, char** argv) { return quarlen::RunMessenger(argc, argv); }
