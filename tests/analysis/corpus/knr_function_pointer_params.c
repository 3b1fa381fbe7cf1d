/* sort.c -- shell sort and a binary search with caller-supplied comparison */

static char *swapbuf;

/* Shell sort of v[0]..v[n-1] with the caller's comparison routine. */
void
shellsort(v, n, comp)
    char *v[];
    int n;
    int (*comp)();      /* compares two strings */
{
    int gap, i, j;
    char *temp;

    for (gap = n/2; gap > 0; gap /= 2)
        for (i = gap; i < n; i++)
            for (j = i-gap; j >= 0 && (*comp)(v[j], v[j+gap]) > 0; j -= gap) {
                temp = v[j];
                v[j] = v[j+gap];
                v[j+gap] = temp;
            }
}

char *
bsearch_str(key, tab, n, cmp, found)
char *key;
char **tab;
int n;
int (*cmp)(), *found;
{
    int low = 0, high = n - 1, mid, r;

    *found = 0;
    while (low <= high) {
        mid = (low + high) / 2;
        if ((r = (*cmp)(key, tab[mid])) < 0)
            high = mid - 1;
        else if (r > 0)
            low = mid + 1;
        else {
            *found = 1;
            return tab[mid];
        }
    }
    return (char *) 0;
}

apply(f, v, n)
void (*f)();
int *v, n;
{
    while (n-- > 0)
        (*f)(*v++);
}
