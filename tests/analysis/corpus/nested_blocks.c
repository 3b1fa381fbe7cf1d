/* scan.c -- a tokenizer state machine */
#include <ctype.h>
#include "scan.h"

int next_token(struct scanner *s)
{
    int c;
again:
    c = s->next(s);
    if (isspace(c)) {
        goto again;
    } else if (c == '/') {
        if ((c = s->next(s)) == '*') {
            for (;;) {
                do {
                    c = s->next(s);
                } while (c != '*' && c != EOF);
                if (c == EOF) {
                    return T_ERROR;
                }
                {
                    int d = s->next(s);
                    if (d == '/')
                        goto again;
                    s->back(s, d);
                }
            }
        }
        s->back(s, c);
        return '/';
    }
    while (isdigit(c)) {
        s->value = s->value * 10 + (c - '0');
        c = s->next(s);
        if (!isdigit(c)) { s->back(s, c); return T_NUMBER; }
    }
    return c;
}

void reset_scanner(struct scanner *s) { { s->value = 0; } { s->line = 1; } }
