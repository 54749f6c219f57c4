#include "runtime/host_services.h"

#include "host/vest.h"
#include "runtime/drawing_services.h"

namespace {
const VstTimeInfo* TimeInfo(CVeST* host, intptr_t mask)
{
    return reinterpret_cast<const VstTimeInfo*>(host->callHost(audioMasterGetTime, 0, mask));
}
} // namespace

int32_t HostNumInputs(CVeST* host) { return host ? host->getAeffect()->numInputs : 0; }

int32_t HostNumOutputs(CVeST* host) { return host ? host->getAeffect()->numOutputs : 0; }

double HostSampleRate(CVeST* host) { return host ? static_cast<double>(host->getSampleRate()) : 0.0; }

double HostBlockSize(CVeST* host) { return host ? static_cast<double>(host->getBlockSize()) : 0.0; }

double HostTempo(CVeST* host)
{
    if (!host) return 0.0;
    const VstTimeInfo* info = TimeInfo(host, kVstTempoValid);
    return info ? info->tempo : 0.0;
}

double HostPlaying(CVeST* host)
{
    if (!host) return 0.0;
    const VstTimeInfo* info = TimeInfo(host, 2);
    return info && (info->flags & kVstTransportPlaying) ? 1.0 : 0.0;
}

double HostRecording(CVeST* host)
{
    if (!host) return 0.0;
    const VstTimeInfo* info = TimeInfo(host, 8);
    return info && (info->flags & kVstTransportRecording) ? 1.0 : 0.0;
}

double HostMusicalPosition(CVeST* host)
{
    if (!host) return 0.0;
    const VstTimeInfo* info = TimeInfo(host, kVstPpqPosValid);
    return info ? info->ppqPos : 0.0;
}

double HostBarStart(CVeST* host)
{
    if (!host) return 0.0;
    const VstTimeInfo* info = TimeInfo(host, kVstBarsValid);
    return info ? info->barStartPos : 0.0;
}

int32_t HostTempoAndSignature(CVeST* host, double* tempo, double* numerator, double* denominator)
{
    if (!host) return 0;
    const VstTimeInfo* info = TimeInfo(host, kVstTempoValid | kVstTimeSigValid);
    if (!info) return 0;
    if (tempo) *tempo = info->tempo;
    if (numerator) *numerator = static_cast<double>(info->timeSigNumerator);
    if (denominator) *denominator = static_cast<double>(info->timeSigDenominator);
    return 1;
}

void HostSetLatency(CVeST* host, int32_t samples)
{
    if (host) host->setInitialDelay(samples);
}

void HostUpdateDisplay(CVeST* host)
{
    if (host) host->callHost(audioMasterUpdateDisplay);
}

int32_t HostRedraw(CVeST* host) { return Redraw(host); }

int32_t HostReadMidiEvent(CVeST* host, int32_t* frameOffset, int32_t* status, int32_t* data1, int32_t* data2)
{
    VstMidiEvent event{};
    const bool found = host && host->ReadMidiEvent(event);
    if (frameOffset) *frameOffset = found ? event.deltaFrames : 0;
    if (status) *status = found ? static_cast<int32_t>(static_cast<signed char>(event.midiData[0])) : 0;
    if (data1) *data1 = found ? static_cast<int32_t>(static_cast<signed char>(event.midiData[1])) : 0;
    if (data2) *data2 = found ? static_cast<int32_t>(static_cast<signed char>(event.midiData[2])) : 0;
    return found ? 1 : 0;
}
