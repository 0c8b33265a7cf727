// Built only by the layer probes (see CMakeLists.txt): compiled in the setting of a layer, it
// includes a header that layer must not reach, and must fail to build.
#include QUILLMERE_PROBE_HEADER
