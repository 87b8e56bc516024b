// The cadxform exchange library: everything an external transformation for
// the host needs, in one include. Each header below is the manual of its
// part; docs/library.md walks through a whole transform.
//
// A transformation is one call in main (run.h): the library reads the
// exchange file into a TDrawing (drawing.h), hands it to your transform
// (transform.h, record_ops.h: TransformDrawing with a TSimilarity,
// TTranslation or your own transform type), writes the result back safely
// and reports every failure as the cadxform tool does:
//   int main(int argc, char** argv) {
//     return RunExternalTransform(argc, argv, [](TRunContext& run) {
//       return run.Transform(TTranslation{run.RealArgument(2), run.RealArgument(3)});
//     });
//   }
#pragma once

#include "cadxform/block_array.h"   // TBlockArray: the record arrays
#include "cadxform/cp932.h"         // code page 932 lead bytes, blank texts
#include "cadxform/drawing.h"       // TDrawing and its records
#include "cadxform/emit_options.h"  // TEmitOverrides: attributes forced when writing
#include "cadxform/fp_setup.h"      // floating-point set-up of the process
#include "cadxform/geometry.h"      // distance, angles, rotation
#include "cadxform/head_table.h"    // TEntHead: the attributes of a record
#include "cadxform/number_form.h"   // the file's number forms (RealForm)
#include "cadxform/parse_number.h"  // numbers that never fail to parse
#include "cadxform/mirror.h"        // TMirror: the reflection about a line
#include "cadxform/path.h"          // paths, messages naming them
#include "cadxform/platform.h"      // executable folder, Escape key
#include "cadxform/record_kinds.h"  // ForEachKind: the record arrays in kind order
#include "cadxform/record_ops.h"    // TRecordOps: what a transform's Record rule may do
#include "cadxform/rounding.h"      // decimal rounding
#include "cadxform/run.h"           // RunExternalTransform: the whole run in one call
#include "cadxform/similarity.h"    // TTranslation, TSimilarity: the tool's transforms
#include "cadxform/text_pool.h"     // the bytes of texts held by records
#include "cadxform/transform.h"     // TransformDrawing: the transform pass
#include "cadxform/version.h"       // version macros and query
#include "cadxform/write_rules.h"   // IsWritten: which records the writer drops
