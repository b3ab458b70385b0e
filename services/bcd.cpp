#include "services/bcd.h"

unsigned char BCDToBin(unsigned char bcd)
{
    return static_cast<unsigned char>((bcd & 0x0F) + 10 * (bcd >> 4));
}

unsigned char BinToBCD(unsigned char value)
{
    if (value >= 99)
        return 0x99;
    return static_cast<unsigned char>((value % 10) + 16 * (value / 10));
}
