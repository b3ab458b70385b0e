#pragma once

// Packed BCD as the real-time clock keeps it.
unsigned char BCDToBin(unsigned char bcd);
// Values of 99 and above all give 0x99.
unsigned char BinToBCD(unsigned char value);
