/* shapes.c -- tagged shapes */
#include <math.h>

enum shape_kind { SHAPE_CIRCLE, SHAPE_RECT, SHAPE_TRIANGLE };

struct circle { double r; };
struct rect { double w, h; };

union shape_data {
    struct circle c;
    struct rect r;
    double tri[3];
};

struct shape {
    enum shape_kind kind;
    union shape_data u;
    double (*area)(const struct shape *);
};

static double circle_area(const struct shape *s)
{
    return M_PI * s->u.c.r * s->u.c.r;
}
struct bbox {
    double x0, y0, x1, y1;
};
static double rect_area(const struct shape *s) { return s->u.r.w * s->u.r.h; }
typedef struct {
    int count;
    struct shape *items;
} shape_list;

double total_area(const shape_list *l)
{
    double sum = 0;
    int i;
    for (i = 0; i < l->count; i++)
        sum += l->items[i].area(&l->items[i]);
    return sum;
}

enum {
    MAX_SHAPES = 64
};
