#pragma once
// A number with a fixed count of decimals, exactly as std::to_chars(fixed)
// writes it (the double's exact value rounded half to even, "-" on every
// negative value, -0 included), made with two multiplications instead of
// the arbitrary-precision digits to_chars works out: an hour of track is
// hundreds of thousands of numbers. Values beyond 2^52 units of the last
// decimal, more than 9 decimals, infinities and NaN go to to_chars itself.
// Pure function; any thread.

// Writes into [first, last); the end of what was written, or null when it
// does not fit.
char* writeFixedDecimal(char* first, char* last, double value, int decimals);
