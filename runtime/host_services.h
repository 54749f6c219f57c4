#pragma once
// What the runtime asks of the host, through the host object's interface. Each service
// answers 0 (or does nothing) when there is no host object.

#include <cstdint>

#include "runtime/host_interface.h"

inline int32_t HostNumInputs(HostInterface* host) { return host ? host->InputCount() : 0; }
inline int32_t HostNumOutputs(HostInterface* host) { return host ? host->OutputCount() : 0; }
inline double HostSampleRate(HostInterface* host) { return host ? host->SampleRate() : 0.0; }
inline double HostBlockSize(HostInterface* host) { return host ? host->BlockSize() : 0.0; }
// The transport at this moment: one question to the host.
inline HostTransport HostTransportNow(HostInterface* host) { return host ? host->Transport() : HostTransport{}; }
inline double HostTempo(HostInterface* host)
{
    const HostTransport t = HostTransportNow(host);
    return t.valid ? t.tempo : 0.0;
}
inline double HostPlaying(HostInterface* host) { return HostTransportNow(host).playing ? 1.0 : 0.0; }
inline double HostRecording(HostInterface* host) { return HostTransportNow(host).recording ? 1.0 : 0.0; }
inline double HostMusicalPosition(HostInterface* host) { return HostTransportNow(host).musicalPosition; }
inline double HostBarStart(HostInterface* host) { return HostTransportNow(host).barStart; }
// Writes tempo and time signature to the places given (each may be null) from a transport
// already asked for; 1 when the host gave time info, else 0.
int32_t HostTempoAndSignature(const HostTransport& transport, double* tempo, double* numerator, double* denominator);
inline int32_t HostTempoAndSignature(HostInterface* host, double* tempo, double* numerator, double* denominator)
{
    return HostTempoAndSignature(HostTransportNow(host), tempo, numerator, denominator);
}
// The init section's latency report (off the audio thread) and the block section's (on it).
inline void HostAnnounceLatency(HostInterface* host, int32_t samples)
{
    if (host) host->AnnounceLatency(samples);
}
inline void HostSetLatency(HostInterface* host, int32_t samples)
{
    if (host) host->StoreLatency(samples);
}
inline void HostUpdateDisplay(HostInterface* host)
{
    if (host) host->UpdateDisplay();
}
// Asks the editor view to repaint; 1 when there is an editor with a view.
inline int32_t HostRedraw(HostInterface* host) { return host && host->RequestRedraw() ? 1 : 0; }
// Takes the oldest unread MIDI record: frame offset and three data bytes; 0 when none.
int32_t HostReadMidiEvent(HostInterface* host, int32_t* frameOffset, int32_t* status, int32_t* data1, int32_t* data2);
