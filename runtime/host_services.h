#pragma once
// What the runtime asks of the host. Each service takes the host object and answers
// 0 (or does nothing) when there is none; the host layer implements them.

#include <cstdint>

class CVeST;

int32_t HostNumInputs(CVeST* host);
int32_t HostNumOutputs(CVeST* host);
double HostSampleRate(CVeST* host);
double HostBlockSize(CVeST* host);
double HostTempo(CVeST* host);
double HostPlaying(CVeST* host);
double HostRecording(CVeST* host);
double HostMusicalPosition(CVeST* host);
double HostBarStart(CVeST* host);
// Writes tempo and time signature to the places given (each may be null); 1 when the
// host gave time info, else 0.
int32_t HostTempoAndSignature(CVeST* host, double* tempo, double* numerator, double* denominator);
void HostSetLatency(CVeST* host, int32_t samples);
void HostUpdateDisplay(CVeST* host);
// Asks the editor view to repaint; 1 when there is an editor with a view.
int32_t HostRedraw(CVeST* host);
// Takes the oldest unread MIDI record: frame offset and three data bytes; 0 when none.
int32_t HostReadMidiEvent(CVeST* host, int32_t* frameOffset, int32_t* status, int32_t* data1, int32_t* data2);
