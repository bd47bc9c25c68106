/* Ovoid: swept-ellipsoid collision detection and response for a host game engine.
 *
 * Every argument is one 32-bit slot (the mesh block address is pointer-sized). Integers
 * are range-checked as unsigned, so a negative value fails as too large. A float argument
 * is passed as the 32-bit bit pattern of an IEEE single, and a float result comes back the
 * same way, as an integer: use OvoidFloatBits and OvoidBitsFloat to convert. Bad arguments
 * are reported in an error box only after StartCollisionDebugNUV, once per arming; the
 * call then has no effect and returns 0. The library is single-threaded.
 *
 * The number in each comment is the export's ordinal in ovoid.dll. */
#ifndef OVOID_OVOID_H
#define OVOID_OVOID_H

#include <stdint.h>
#include <string.h>

#if defined(_WIN32)
#define OVOID_CALL __cdecl
#if defined(OVOID_BUILDING)
#define OVOID_API __declspec(dllexport)
#else
#define OVOID_API
#endif
#else
#define OVOID_CALL
#define OVOID_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/** The bit pattern of a float, as the exports take and return it. */
static inline uint32_t OvoidFloatBits(float value) {
  uint32_t bits;
  memcpy(&bits, &value, sizeof bits);
  return bits;
}

/** The float whose bit pattern an export returned. */
static inline float OvoidBitsFloat(uint32_t bits) {
  float value;
  memcpy(&value, &bits, sizeof value);
  return value;
}

/* Library frame and settings */
OVOID_API void OVOID_CALL StartCollisionNUV(void);            /* 1 */
OVOID_API void OVOID_CALL StartCollisionDebugNUV(void);       /* 2 */
OVOID_API void OVOID_CALL StopCollisionNUV(void);             /* 3 */
OVOID_API void OVOID_CALL SetEllipOptimizeNUV(uint32_t flag); /* 4 */
OVOID_API void OVOID_CALL SetEllipSizeModeNUV(uint32_t mode); /* 5 */
OVOID_API void OVOID_CALL SetConcaveModeNUV(uint32_t mode);   /* 6 */

/* Rules */
OVOID_API void OVOID_CALL SetCollisionsNUV(uint32_t sourceType, uint32_t destType, uint32_t method,
                                           uint32_t response, uint32_t dynamicResponse); /* 7 */

/* Objects and shapes */
OVOID_API void OVOID_CALL NewCollObjNUV(uint32_t number, uint32_t typeId);       /* 8 */
OVOID_API int32_t OVOID_CALL CheckShapeNUV(uint32_t number, uint32_t shapeKind); /* 9 */
OVOID_API void OVOID_CALL AddObjShapeNUV(uint32_t number, uint32_t shapeKind);   /* 10 */
OVOID_API void OVOID_CALL ActivateObjNUV(uint32_t number);                       /* 11 */
OVOID_API void OVOID_CALL DeActivateObjNUV(uint32_t number);                     /* 12 */
OVOID_API void OVOID_CALL SetObjRadiusNUV(uint32_t number, uint32_t rx, uint32_t ry,
                                          uint32_t rz); /* 13 */
OVOID_API void OVOID_CALL SetEllipOffsetNUV(uint32_t number, uint32_t x, uint32_t y,
                                            uint32_t z);                       /* 14 */
OVOID_API void OVOID_CALL SetObjGravityNUV(uint32_t number, uint32_t gravity); /* 15 */
OVOID_API void OVOID_CALL AddMeshTri(uint32_t number, uint32_t x1, uint32_t y1, uint32_t z1,
                                     uint32_t x2, uint32_t y2, uint32_t z2, uint32_t x3,
                                     uint32_t y3, uint32_t z3);               /* 16 */
OVOID_API void OVOID_CALL AddMeshNUV(uint32_t number, const void* meshBlock); /* 17 */

/* Motion and the collision run */
OVOID_API void OVOID_CALL UpdateObjNUV(uint32_t number, uint32_t x, uint32_t y, uint32_t z,
                                       uint32_t mode);      /* 18 */
OVOID_API void OVOID_CALL ResetCollisionStackNUV(void);     /* 19 */
OVOID_API int32_t OVOID_CALL PeekCollisionStackNUV(void);   /* 20 */
OVOID_API void OVOID_CALL RunCollisionNUV(void);            /* 21 */
OVOID_API uint32_t OVOID_CALL PeekObjXNUV(uint32_t number); /* 22 */
OVOID_API uint32_t OVOID_CALL PeekObjYNUV(uint32_t number); /* 23 */
OVOID_API uint32_t OVOID_CALL PeekObjZNUV(uint32_t number); /* 24 */
OVOID_API void OVOID_CALL FreeObjNUV(uint32_t number);      /* 25 */

/* Rays */
OVOID_API int32_t OVOID_CALL RayIntersectObjectNUV(uint32_t number, uint32_t shapeKind, uint32_t sx,
                                                   uint32_t sy, uint32_t sz, uint32_t ex,
                                                   uint32_t ey, uint32_t ez); /* 26 */
OVOID_API int32_t OVOID_CALL RayIntersectTypeNUV(uint32_t typeId, uint32_t shapeKind, uint32_t sx,
                                                 uint32_t sy, uint32_t sz, uint32_t ex, uint32_t ey,
                                                 uint32_t ez); /* 27 */
OVOID_API uint32_t OVOID_CALL RayHitPosX(void);                /* 28 */
OVOID_API uint32_t OVOID_CALL RayHitPosY(void);                /* 29 */
OVOID_API uint32_t OVOID_CALL RayHitPosZ(void);                /* 30 */
OVOID_API uint32_t OVOID_CALL RayHitNormX(void);               /* 31 */
OVOID_API uint32_t OVOID_CALL RayHitNormY(void);               /* 32 */
OVOID_API uint32_t OVOID_CALL RayHitNormZ(void);               /* 33 */
OVOID_API uint32_t OVOID_CALL RayHitDist(void);                /* 34 */
OVOID_API int32_t OVOID_CALL RayHitObjNUV(void);               /* 35 */
OVOID_API int32_t OVOID_CALL RayHitTypeNUV(void);              /* 36 */

/* Angles, in degrees */
OVOID_API uint32_t OVOID_CALL Vec2Yaw(uint32_t x, uint32_t y, uint32_t z);   /* 37 */
OVOID_API uint32_t OVOID_CALL Vec2Pitch(uint32_t x, uint32_t y, uint32_t z); /* 38 */

/* Contacts of the last run, by 1-based index; axis and corner are 1..3 */
OVOID_API int32_t OVOID_CALL CountCollisionsNUV(uint32_t number); /* 39 */
OVOID_API uint32_t OVOID_CALL CollisionHitPos(uint32_t number, uint32_t index,
                                              uint32_t axis); /* 40 */
OVOID_API uint32_t OVOID_CALL CollisionHitNorm(uint32_t number, uint32_t index,
                                               uint32_t axis);                   /* 41 */
OVOID_API int32_t OVOID_CALL CollisionHitObj(uint32_t number, uint32_t index);   /* 42 */
OVOID_API int32_t OVOID_CALL CollisionHitType(uint32_t number, uint32_t index);  /* 43 */
OVOID_API int32_t OVOID_CALL CollisionHitShape(uint32_t number, uint32_t index); /* 44 */
OVOID_API int32_t OVOID_CALL CollisionHitPoly(uint32_t number, uint32_t index);  /* 45 */
OVOID_API uint32_t OVOID_CALL CollisionTriCorner(uint32_t number, uint32_t index, uint32_t corner,
                                                 uint32_t axis); /* 46 */

#ifdef __cplusplus
}
#endif

#endif /* OVOID_OVOID_H */
