/* event.c -- a tiny event loop with callback tables */
#include <stdlib.h>
#include "event.h"

typedef int (*event_cb)(struct event *ev, void *arg);
typedef void (*cleanup_fn)(void *);

static int (*default_handler)(struct event *, void *) = NULL;
static void (*at_exit_hooks[8])(void);
static int hook_count;

struct handler {
    const char *name;
    event_cb cb;
    void (*cleanup)(void *);
};

static int on_read(struct event *ev, void *arg);
static int on_write(struct event *ev, void *arg);

static struct handler handlers[] = {
    { "read",  on_read,  free },
    { "write", on_write, (cleanup_fn) 0 },
};

void set_default_handler(int (*cb)(struct event *, void *))
{
    default_handler = cb;
}

int add_exit_hook(void (*hook)(void))
{
    if (hook_count >= (int) (sizeof at_exit_hooks / sizeof at_exit_hooks[0]))
        return -1;
    at_exit_hooks[hook_count++] = hook;
    return 0;
}

static int
on_read(struct event *ev, void *arg)
{
    int (*next)(struct event *, void *) = ev->chain ? ev->chain : default_handler;
    return next ? next(ev, arg) : 0;
}

static int on_write(struct event *ev, void *arg) {
    (void) arg;
    return ev->fd >= 0;
}

int dispatch(struct event *ev, const char *kind, void *arg)
{
    size_t i;
    for (i = 0; i < sizeof handlers / sizeof handlers[0]; i++)
        if (strcmp(handlers[i].name, kind) == 0)
            return (*handlers[i].cb)(ev, arg);
    return default_handler ? (*default_handler)(ev, arg) : -1;
}
