/* partial.c -- a file cut off in the middle of a function (an editor buffer being typed) */
#include <stdio.h>

int finished(void)
{
    return 1;
}

struct pending {
    int a;
};

int unfinished(int x)
{
    if (x > 0) {
        printf("positive\n");
    } else {
        printf("not positive (yet
