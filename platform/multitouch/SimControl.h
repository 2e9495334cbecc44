/* Control of the simulated multitouch framework: scripted devices and frames. Tools find these
 * functions with dlsym in the framework file they loaded; SimControlLoader.h does that. */
#ifndef TAVIX_MULTITOUCH_SIM_CONTROL_H
#define TAVIX_MULTITOUCH_SIM_CONTROL_H

/* Plain C, for C callers too. NOLINTBEGIN(modernize-use-using) */
#include <stdbool.h>
#include <stdint.h>

#include "platform/multitouch/MultitouchFramework.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The device name that delivers a frame with a null device handle. */
#define MT_SIM_NULL_DEVICE 0

typedef struct MTSimDevice {
    int64_t handle; /* the script's name for the device, >= 1 */
    int32_t family;
    uint64_t deviceID;
    int32_t width; /* hundredths of a millimetre */
    int32_t height;
    bool builtIn;
    bool attached; /* listed from now on */
} MTSimDevice;

typedef struct MTSimContact {
    int32_t identifier;
    int32_t state;
    float x; /* normalized position */
    float y;
} MTSimContact;

typedef struct MTSimFrame {
    double t;       /* seconds after the start of playback */
    int64_t device; /* a declared handle, or MT_SIM_NULL_DEVICE */
    const MTSimContact* contacts;
    int32_t count;
} MTSimFrame;

/* 0, or -1 when the handle is below 1 or already declared. Lists show attached devices in
 * declaration order. */
MT_EXPORT int32_t MTSimDeclareDevice(const MTSimDevice* device);
/* 0, or -1 for an undeclared handle. Attaching an attached device changes nothing. */
MT_EXPORT int32_t MTSimAttach(int64_t handle);
MT_EXPORT int32_t MTSimDetach(int64_t handle);
/* Lists from now on hold a null entry at this point of the declaration order. */
MT_EXPORT void MTSimAddNullEntry(void);
/* While set, MTDeviceCreateList returns null. */
MT_EXPORT void MTSimSetListFailure(bool fail);

/* Delivers one frame on the calling thread to the callbacks registered on every started handle
 * of an attached device; MT_SIM_NULL_DEVICE passes a null handle, once to each callback
 * registered on any started handle. Returns the number of callback calls, or -1 for an
 * undeclared handle or a negative count. */
MT_EXPORT int32_t MTSimDeliverFrame(int64_t device, const MTSimContact* contacts, int32_t count,
                                    double timestamp);

/* Plays the frames (t never decreasing) on a thread of the framework's own, in real time, through
 * the same rules as MTSimDeliverFrame, time stamped with the seconds since it started. With
 * loopSeconds > 0 the script starts over every loopSeconds (at least its last t); otherwise it
 * plays once. Replaces a playback already running. 0, or -1 for bad arguments or when called
 * from a playback frame. The frames are copied. */
MT_EXPORT int32_t MTSimPlayStart(const MTSimFrame* frames, int32_t count, double loopSeconds);
/* Once this returns, playback delivers nothing more. From a callback on the playback thread it
 * only asks playback to end after the current frame. */
MT_EXPORT void MTSimPlayStop(void);

/* Stops playback and forgets every device, null entry and failure flag. Handles held by live
 * lists stay valid but receive no frames. */
MT_EXPORT void MTSimReset(void);

/* Device lists not yet released. */
MT_EXPORT int32_t MTSimLiveListCount(void);

#ifdef __cplusplus
}
#endif

/* NOLINTEND(modernize-use-using) */
#endif
