// The OBJ reader's implementation, compiled here with the same settings on every host, so
// that its real_t stays float and both hosts read the same bits from a file.
#define TINYOBJLOADER_IMPLEMENTATION
#include "tiny_obj_loader.h"
