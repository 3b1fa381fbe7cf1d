#ifdef X
int f(int a)
{
  for (i = 0; i < n; i++) g(a[i]);
  char *s = "a {\
 b";
  char c = '\'';
}
#endif
