// A file compiled as one of the core's layers compiles it: with that layer's
// include root, standard and options. The layer check compiles it once with
// a header the layer may include and once with one of a layer above it.
#include LORVANE_PROBE_HEADER
