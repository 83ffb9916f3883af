#include "ToolMain.h"

int main(int argc, char **argv) { return tiztool::RunTool(argc, argv); }
