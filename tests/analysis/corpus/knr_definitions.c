/*
 * getword.c -- word and number readers in the old style, for compilers
 * that predate prototypes.
 */
#include <stdio.h>
#include <ctype.h>

#define MAXWORD 100

extern int getch();
extern void ungetch();

/* getword: get next word or character from input */
int
getword(word, lim)
char *word;
int lim;
{
    int c;
    char *w = word;

    while (isspace(c = getch()))
        ;
    if (c != EOF)
        *w++ = c;
    if (!isalpha(c)) {
        *w = '\0';
        return c;
    }
    for ( ; --lim > 0; w++)
        if (!isalnum(*w = getch())) {
            ungetch(*w);
            break;
        }
    *w = '\0';
    return word[0];
}

/* atoi: convert s to integer; version 2 */
atoi(s)
    register char *s;       /* the digits */
{
    register int i, n, sign;

    for (i = 0; isspace(s[i]); i++)  /* skip white space */
        ;
    sign = (s[i] == '-') ? -1 : 1;
    if (s[i] == '+' || s[i] == '-')
        i++;
    for (n = 0; isdigit(s[i]); i++)
        n = 10 * n + (s[i] - '0');
    return sign * n;
}

long
lpower(base, n)
    long base;
    int n;
{
    long p;

    for (p = 1; n > 0; --n)
        p = p * base;
    return p;
}

main(argc, argv)
int argc;
char *argv[];
{
    char word[MAXWORD];

    while (getword(word, MAXWORD) != EOF)
        printf("%s %d\n", word, atoi(word));
    return 0;
}
