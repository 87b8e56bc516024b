#include "cadxform/version.h"

namespace cadxform {

const char* LibraryVersionString() { return CADXFORM_VERSION_STRING; }

int LibraryVersionNumber() { return CADXFORM_VERSION_NUMBER; }

}  // namespace cadxform
