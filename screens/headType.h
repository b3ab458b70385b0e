#pragma once

#include <QMetaType>

// Head variants as told by the head's system information; they choose the region screen
// and the zone handling of the frequency scan.
enum eHeadTypeId
{
    eHeadTypeStandard = 0, // country list
    eHeadType900 = 1,      // second variant, region list
    eHeadTypeZoned = 2,    // country list with zone records
    eHeadTypeClassic = 3,  // country list, older heads
};
using eHeadTypeIdT = eHeadTypeId;

Q_DECLARE_METATYPE(eHeadTypeIdT)
