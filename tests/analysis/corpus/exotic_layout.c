/* layout.c -- legal C with unusual layout */
int
compute
(int x)
{
    return x * 2;
}

int  spaced  (  int  a  ,  int  b  )  {  return  a  +  b  ;  }

int
	tabbed	(void)
	{
	return 0;
	}

static int
(paren_name)(int x)
{
    return x;
}

int one(void) { return 1; } int two(void) { return 2; }

int last_line(void) { return
3; }
