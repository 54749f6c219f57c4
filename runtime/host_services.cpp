#include "runtime/host_services.h"

int32_t HostTempoAndSignature(const HostTransport& transport, double* tempo, double* numerator, double* denominator)
{
    if (!transport.valid) return 0;
    if (tempo) *tempo = transport.tempo;
    if (numerator) *numerator = transport.numerator;
    if (denominator) *denominator = transport.denominator;
    return 1;
}

int32_t HostReadMidiEvent(HostInterface* host, int32_t* frameOffset, int32_t* status, int32_t* data1, int32_t* data2)
{
    HostMidiEvent event{};
    const bool found = host && host->ReadMidiEvent(event);
    // The bytes are read as signed chars, as the host's records hold them.
    auto byte = [&](int i) { return found ? static_cast<int32_t>(static_cast<signed char>(event.data[i])) : 0; };
    if (frameOffset) *frameOffset = found ? event.frameOffset : 0;
    if (status) *status = byte(0);
    if (data1) *data1 = byte(1);
    if (data2) *data2 = byte(2);
    return found ? 1 : 0;
}
