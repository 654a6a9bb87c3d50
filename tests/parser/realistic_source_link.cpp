// The benchmark program generator, shared with the parser tests so that the
// mutation test starts from the same realistic text the benchmarks parse.
#include "bench/realistic_source.cpp"
