// Built only by the layer tests, with one core layer's usage requirements: the layer's own
// header is found, and the header of a layer above it must not be.
#include OWN_HEADER
#include FORBIDDEN_HEADER
