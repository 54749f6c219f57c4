/* Stands in for the ALSA sequencer calls Qtractor makes, for machines without
 * /dev/snd/seq: preloaded, it lets Qtractor start its MIDI engine with one client, no other
 * clients or ports, and an input that never has events. Audio-only sessions need no more.
 * Only the calls that take the sequencer handle are replaced; the accessors of ALSA's info
 * structures stay ALSA's own. */

#include <errno.h>
#include <poll.h>
#include <unistd.h>

typedef struct standin_seq snd_seq_t;
struct standin_seq {
    int unused;
};

static struct standin_seq the_sequencer;
static int next_port;
static int quiet_pipe[2] = {-1, -1};

int snd_seq_open(snd_seq_t** handle, const char* name, int streams, int mode)
{
    (void)name, (void)streams, (void)mode;
    if (!handle) return -EINVAL;
    /* The input thread polls a pipe nobody writes to. */
    if (quiet_pipe[0] < 0 && pipe(quiet_pipe) != 0) return -errno;
    *handle = &the_sequencer;
    return 0;
}

int snd_seq_close(snd_seq_t* seq)
{
    (void)seq;
    return 0;
}
int snd_seq_client_id(snd_seq_t* seq)
{
    (void)seq;
    return 128;
}
int snd_seq_set_client_name(snd_seq_t* seq, const char* name)
{
    (void)seq, (void)name;
    return 0;
}

int snd_seq_create_simple_port(snd_seq_t* seq, const char* name, unsigned int caps, unsigned int type)
{
    (void)seq, (void)name, (void)caps, (void)type;
    return next_port++;
}

int snd_seq_delete_simple_port(snd_seq_t* seq, int port)
{
    (void)seq, (void)port;
    return 0;
}
int snd_seq_alloc_queue(snd_seq_t* seq)
{
    (void)seq;
    return 0;
}
int snd_seq_free_queue(snd_seq_t* seq, int q)
{
    (void)seq, (void)q;
    return 0;
}

int snd_seq_control_queue(snd_seq_t* seq, int q, int type, int value, void* ev)
{
    (void)seq, (void)q, (void)type, (void)value, (void)ev;
    return 0;
}

int snd_seq_drain_output(snd_seq_t* seq)
{
    (void)seq;
    return 0;
}
int snd_seq_drop_input(snd_seq_t* seq)
{
    (void)seq;
    return 0;
}
int snd_seq_drop_output(snd_seq_t* seq)
{
    (void)seq;
    return 0;
}
int snd_seq_event_input(snd_seq_t* seq, void** ev)
{
    (void)seq, (void)ev;
    return -EAGAIN;
}
int snd_seq_event_input_pending(snd_seq_t* seq, int fetch)
{
    (void)seq, (void)fetch;
    return 0;
}
int snd_seq_event_output(snd_seq_t* seq, void* ev)
{
    (void)seq, (void)ev;
    return 0;
}
int snd_seq_event_output_direct(snd_seq_t* seq, void* ev)
{
    (void)seq, (void)ev;
    return 0;
}

/* No other clients and no ports to list or connect. */
int snd_seq_get_any_client_info(snd_seq_t* seq, int client, void* info)
{
    (void)seq, (void)client, (void)info;
    return -ENOENT;
}
int snd_seq_get_any_port_info(snd_seq_t* seq, int client, int port, void* info)
{
    (void)seq, (void)client, (void)port, (void)info;
    return -ENOENT;
}
int snd_seq_query_next_client(snd_seq_t* seq, void* info)
{
    (void)seq, (void)info;
    return -ENOENT;
}
int snd_seq_query_next_port(snd_seq_t* seq, void* info)
{
    (void)seq, (void)info;
    return -ENOENT;
}
int snd_seq_query_port_subscribers(snd_seq_t* seq, void* subs)
{
    (void)seq, (void)subs;
    return -ENOENT;
}
int snd_seq_subscribe_port(snd_seq_t* seq, void* sub)
{
    (void)seq, (void)sub;
    return 0;
}
int snd_seq_unsubscribe_port(snd_seq_t* seq, void* sub)
{
    (void)seq, (void)sub;
    return 0;
}
int snd_seq_remove_events(snd_seq_t* seq, void* rmp)
{
    (void)seq, (void)rmp;
    return 0;
}

/* Our own ports and the queue: accepted, the caller's structures left as they came. */
int snd_seq_get_port_info(snd_seq_t* seq, int port, void* info)
{
    (void)seq, (void)port, (void)info;
    return 0;
}
int snd_seq_set_port_info(snd_seq_t* seq, int port, void* info)
{
    (void)seq, (void)port, (void)info;
    return 0;
}
int snd_seq_get_queue_status(snd_seq_t* seq, int q, void* status)
{
    (void)seq, (void)q, (void)status;
    return 0;
}
int snd_seq_get_queue_tempo(snd_seq_t* seq, int q, void* tempo)
{
    (void)seq, (void)q, (void)tempo;
    return 0;
}
int snd_seq_set_queue_tempo(snd_seq_t* seq, int q, void* tempo)
{
    (void)seq, (void)q, (void)tempo;
    return 0;
}
int snd_seq_set_queue_timer(snd_seq_t* seq, int q, void* timer)
{
    (void)seq, (void)q, (void)timer;
    return 0;
}

int snd_seq_poll_descriptors_count(snd_seq_t* seq, short events)
{
    (void)seq, (void)events;
    return 1;
}

int snd_seq_poll_descriptors(snd_seq_t* seq, struct pollfd* pfds, unsigned int space, short events)
{
    (void)seq;
    if (!pfds || space < 1) return 0;
    pfds[0].fd = quiet_pipe[0];
    pfds[0].events = events & POLLIN;
    pfds[0].revents = 0;
    return 1;
}
