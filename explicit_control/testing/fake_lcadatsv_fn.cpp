// The same fake data server, exported the other way the calling convention
// allows: LCADATSV_OrdinalTable is a function that answers the table.
#include "fake_lcadatsv.h"

extern "C" const LcaOrdinalTable* LCADATSV_OrdinalTable() { return fake_lcadatsv::Table(); }
