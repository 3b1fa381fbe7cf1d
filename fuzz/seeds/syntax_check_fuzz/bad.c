void f(void)
{
  if (a; b) g(
  }
#endif
