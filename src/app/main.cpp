// cadxform: external transformation for the host CAD program.
//
// The host writes ZPH_TEMP.TXT beside this executable and starts it with up
// to six numeric arguments; the tool moves (or rotates, scales and moves)
// the entities in that file and rewrites it, through the library's run
// sequence like any other external transformation.
#include "app/run.h"
#include "cadxform/run.h"

int main(int argc, char** argv) { return cadxform::RunExternalTransform(argc, argv, cadxform::ApplyCommandLine); }
