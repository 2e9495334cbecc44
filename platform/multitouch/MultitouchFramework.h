/* The multitouch framework's C interface: devices are listed, started and stopped, and each
 * started device calls the registered callbacks with its contact frames. */
#ifndef TAVIX_MULTITOUCH_FRAMEWORK_H
#define TAVIX_MULTITOUCH_FRAMEWORK_H

/* Plain C, for C callers too. NOLINTBEGIN(modernize-use-using) */
#include <stdbool.h>
#include <stdint.h>

#if defined(TAVIX_MT_BUILDING)
#define MT_EXPORT __attribute__((visibility("default")))
#else
#define MT_EXPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* One contact of a frame: 96 bytes, records follow each other with no padding. */
typedef struct MTContactPoint {
    float x;
    float y;
} MTContactPoint;

typedef struct MTContactVector {
    MTContactPoint position;
    MTContactPoint velocity;
} MTContactVector;

typedef struct MTContact {
    int32_t frame;
    double timestamp;
    int32_t identifier;
    int32_t state;
    int32_t fingerId;
    int32_t handId;
    MTContactVector normalized;
    float zTotal;
    int32_t field9;
    float angle;
    float majorAxis;
    float minorAxis;
    MTContactVector absolute;
    int32_t field14;
    int32_t field15;
    float zDensity;
} __attribute__((aligned(8))) MTContact;

/* A device handle: valid while a device list that holds it is alive. */
typedef void* MTDeviceRef;

/* An owned array of device handles; entries may be null. */
typedef struct MTArray* MTArrayRef;

typedef int32_t (*MTFrameCallback)(MTDeviceRef device, MTContact* contacts, int32_t count,
                                   double timestamp, int32_t frame);

/* The devices present now, in the framework's order; released with MTArrayRelease. Null when
 * the devices cannot be listed. */
MT_EXPORT MTArrayRef MTDeviceCreateList(void);

MT_EXPORT void MTRegisterContactFrameCallback(MTDeviceRef device, MTFrameCallback callback);
/* Once this returns, the callback is not running for this device and is not called again. */
MT_EXPORT void MTUnregisterContactFrameCallback(MTDeviceRef device, MTFrameCallback callback);

MT_EXPORT int32_t MTDeviceStart(MTDeviceRef device, int32_t mode);
/* Once this returns, no callback is running for this device and none is called again. */
MT_EXPORT int32_t MTDeviceStop(MTDeviceRef device);

MT_EXPORT int32_t MTDeviceGetFamilyID(MTDeviceRef device, int32_t* family);
MT_EXPORT int32_t MTDeviceGetDeviceID(MTDeviceRef device, uint64_t* deviceID);
/* Width and height of the sensor surface in hundredths of a millimetre. */
MT_EXPORT int32_t MTDeviceGetSensorSurfaceDimensions(MTDeviceRef device, int32_t* width,
                                                     int32_t* height);
MT_EXPORT bool MTDeviceIsBuiltIn(MTDeviceRef device);

MT_EXPORT intptr_t MTArrayGetCount(MTArrayRef array);
MT_EXPORT MTDeviceRef MTArrayGetValueAtIndex(MTArrayRef array, intptr_t index);
MT_EXPORT void MTArrayRelease(MTArrayRef array);

#ifdef __cplusplus
}
#endif

/* NOLINTEND(modernize-use-using) */
#endif
