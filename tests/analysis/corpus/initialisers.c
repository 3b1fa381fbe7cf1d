/* commands.c -- the command table of a small shell */
#include <stdio.h>
#include <string.h>

struct command {
    const char *name;
    int (*run)(int argc, char **argv);
    const char *help;
};

static int cmd_help(int argc, char **argv);
static int cmd_echo(int argc, char **argv);

static const struct command commands[] = {
    { "help", cmd_help, "list the commands (this text)" },
    { "echo", cmd_echo, "print the arguments {verbatim}" },
    { NULL, NULL, NULL }
};

static const int primes[] = { 2, 3, 5, 7, 11, 13 };
static const char *const names[2][2] = { { "a", "b" }, { "c", "d" } };
static struct { int x, y; } origin = { .x = 0, .y = 0 };
static int table[4] = { [0] = 1, [3] = sizeof(struct command) };

static int cmd_help(int argc, char **argv)
{
    const struct command *c;
    (void) argc; (void) argv;
    for (c = commands; c->name; c++)
        printf("%-8s %s\n", c->name, c->help);
    return 0;
}

static int cmd_echo(int argc, char **argv)
{
    int i;
    int widths[] = { 1, 2, 3 };
    struct { const char *s; } sep = { " " };
    for (i = 1; i < argc; i++)
        printf("%s%s", i > 1 ? sep.s : "", argv[i]);
    putchar('\n');
    return widths[0] - 1;
}

const struct command *find_command(const char *name)
{
    const struct command *c = commands;
    while (c->name && strcmp(c->name, name) != 0)
        c++;
    return c->name ? c : NULL;
}
