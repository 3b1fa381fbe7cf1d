/* matrix.c -- Allman-style braces throughout */
#include "matrix.h"

void
matrix_identity(double m[4][4])
{
    int i, j;

    for (i = 0; i < 4; i++)
    {
        for (j = 0; j < 4; j++)
        {
            m[i][j] = (i == j) ? 1.0 : 0.0;
        }
    }
}

void matrix_multiply(const double a[4][4], const double b[4][4], double out[4][4])

{
    int i, j, k;

    for (i = 0; i < 4; i++)
        for (j = 0; j < 4; j++)
        {
            out[i][j] = 0.0;
            for (k = 0; k < 4; k++)
                out[i][j] += a[i][k] * b[k][j];
        }
}

double matrix_trace(const double m[4][4])
	/* the sum of the diagonal */
	{
	return m[0][0] + m[1][1] + m[2][2] + m[3][3];
	}
