// The first thing both programs do: make the standard descriptors safe to
// write to.  A descriptor from 0 to 2 that the program was started without
// would go to the next file opened -- the X connection, an EPS file --
// and a picture for standard output would then be written into it.  A
// closed one is therefore taken by /dev/null, opened read-only so that
// writes to it fail and are reported like any write failure.  A reader
// that goes away must not kill the program either: a broken pipe becomes
// an error of the write (EPIPE) instead of SIGPIPE.
#ifndef XTINKERBOT_DRIVER_STANDARD_STREAMS_HH
#define XTINKERBOT_DRIVER_STANDARD_STREAMS_HH

// Exits with status 1 when a closed descriptor cannot be filled.
void secure_standard_streams();

#endif
