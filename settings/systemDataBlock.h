#pragma once

#include "bus/systemDataMsgs.h"

#include <QByteArray>

// The block's layout is the bus's (bus/systemDataMsgs.h); this side fills it.
namespace SystemDataBlock {
// The block as the head should hold it, read from the live store.
QByteArray BuildFromCurrentSettings();
} // namespace SystemDataBlock
