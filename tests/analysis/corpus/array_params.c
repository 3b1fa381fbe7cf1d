/* vec.c -- vector routines with array parameters */
#include <stddef.h>

double dot(size_t n, const double a[static n], const double b[static n])
{
    double s = 0;
    size_t i;
    for (i = 0; i < n; i++)
        s += a[i] * b[i];
    return s;
}

void fill(char buf[256], int c)
{
    int i;
    for (i = 0; i < 256; i++)
        buf[i] = (char) c;
}

void transpose(double m[][4], int rows)
{
    int i, j;
    for (i = 0; i < rows; i++)
        for (j = i + 1; j < 4; j++) {
            double t = m[i][j];
            m[i][j] = m[j][i];
            m[j][i] = t;
        }
}

int total(v, n)
int v[];
int n;
{
    int s = 0;
    while (n--)
        s += v[n];
    return s;
}

int argmax(int n, int v[n][n], int *row)
{
    (void) v;
    *row = 0;
    return n ? 0 : -1;
}
