#pragma once
// What bv7 record costs while a program plays: the recording written as it
// grows and read twice a second, for a three-minute program clean and worn,
// and how long after the end of the sound the program is read and saved;
// then a tape side of three hours (a program every ten minutes, hiss
// between) fed in tenths of a second: the memory the readers hold and the
// time one update takes.
void printLiveReadingFigures();
