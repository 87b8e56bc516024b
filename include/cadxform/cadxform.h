// The cadxform exchange library: everything an external transformation for
// the host needs, in one include. Each header below is the manual of its
// part; docs/library.md walks through a whole transform.
//
// A transformation runs in this order (see file_writer.h for the file's
// safe replacement):
//   TDrawing d;                          drawing.h: records, heads, input order
//   ReadExchangeFile(path, d);           reader.h
//   ... change the records of d ...      transform.h (TransformDrawing with
//                                        a TSimilarity, TTranslation or your
//                                        own transform), drawing.h
//   TWriteState w;                       write_state.h
//   ResetAttrState(w, d);
//   BeginExchangeFile(w, path);          file_writer.h
//   AddOutLine(w.Out, "hd");             out_buffer.h
//   EmitAll(d, w, overrides);            emit.h
//   WriteExchangeFile(w, path);          file_writer.h
#pragma once

#include "cadxform/block_array.h"   // TBlockArray: the record arrays
#include "cadxform/cp932.h"         // code page 932 lead bytes, blank texts
#include "cadxform/drawing.h"       // TDrawing and its records
#include "cadxform/emit.h"          // EmitAll and its overrides
#include "cadxform/file_writer.h"   // safe replacement of the exchange file
#include "cadxform/fp_setup.h"      // floating-point set-up of the process
#include "cadxform/geometry.h"      // distance, angles, rotation
#include "cadxform/head_table.h"    // TEntHead: the attributes of a record
#include "cadxform/out_buffer.h"    // the output lines, message lines
#include "cadxform/parse_number.h"  // numbers that never fail to parse
#include "cadxform/path.h"          // paths, messages naming them
#include "cadxform/platform.h"      // executable folder, Escape key
#include "cadxform/reader.h"        // ReadExchangeFile
#include "cadxform/record_kinds.h"  // ForEachKind: the record arrays in kind order
#include "cadxform/rounding.h"      // decimal rounding
#include "cadxform/similarity.h"    // TTranslation, TSimilarity: the tool's transforms
#include "cadxform/text_pool.h"     // the bytes of texts held by records
#include "cadxform/transform.h"     // TransformDrawing: the transform pass
#include "cadxform/version.h"       // version macros and query
#include "cadxform/write_state.h"   // TWriteState: the state of one output
