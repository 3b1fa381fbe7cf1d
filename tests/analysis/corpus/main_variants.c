/* prog.c -- a main with an environment and its helpers */
#include <stdio.h>
#include <stdlib.h>

extern char **environ;

static void print_env(char *envp[])
{
    while (*envp)
        puts(*envp++);
}

static int
count_args(int argc, char *const argv[])
{
    return argc - (argv[0] != NULL);
}

int main(int argc, char *argv[], char *envp[])
{
    if (argc > 1 && argv[1][0] == '-' && argv[1][1] == 'e')
        print_env(envp);
    printf("%d args\n", count_args(argc, argv));
    return EXIT_SUCCESS;
}

void
usage()
{
    fprintf(stderr, "usage: prog [-e]\n");
    exit(2);
}
