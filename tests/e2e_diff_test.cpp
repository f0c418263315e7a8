// End-to-end rows of --diff: two read-outs compared cell by cell.
#include "e2e_rows.h"

namespace {

} // namespace
