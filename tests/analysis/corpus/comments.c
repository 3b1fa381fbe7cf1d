/* queue.c -- a ring buffer.
 *
 * int queue_peek(struct queue *q) {   <- this is not a definition
 *     return q->buf[q->head];
 * }
 */
#include "queue.h"

// void queue_reset(struct queue *q) { q->head = q->tail = 0; }

int queue_init(struct queue *q, int size)  /* size must be a power of two (see below) */
{
    q->head = q->tail = 0;   /* empty: head == tail */
    q->mask = size - 1;      // (size - 1) works as a mask
    return 0;
}

int queue_put(struct queue *q, int v) /* { */
{
    if (((q->tail + 1) & q->mask) == q->head)
        return -1;  /* full } */
    q->buf[q->tail] = v;
    q->tail = (q->tail + 1) & q->mask;
    return 0;
}

int queue_get /* name, then list */ (struct queue *q, int *v)
/*
 * The comment between the header and the body holds ( and ) and even { braces }.
 */
{
    if (q->head == q->tail)
        return -1;
    *v = q->buf[q->head];
    q->head = (q->head + 1) & q->mask;
    return 0;
}

/* int queue_size(struct queue *q) */
int queue_size(const struct queue *q) // counts ( the entries
{
    return (q->tail - q->head) & q->mask;
}
