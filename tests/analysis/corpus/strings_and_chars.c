/* lexer.c -- punctuation tables and error texts full of brackets */
#include <stdio.h>

static const char *punct = "{}()[];,";
static const char open_brace = '{', close_paren = ')';
static const char quote = '\'', dquote = '"', backslash = '\\';
static const char *tricky = "a \"quoted\" (word) and a brace }";
static const char *joined = "first part { \
second part ) of one literal";

const char *token_name(int c)
{
    switch (c) {
    case '{': return "left brace {";
    case '}': return "right brace }";
    case '(': return "left paren (";
    case ')': return "right paren )";
    case '"': return "double quote \"";
    case '\'': return "single quote '";
    case '\\': return "backslash \\";
    }
    return "other";
}

void report(FILE *f, int line)
{
    fprintf(f, "line %d: expected '}' before ')'\n", line);
    fputs("unbalanced: ((( {{{ \n", f);
}

int is_open(char c) { return c == '{' || c == '(' || c == '['; }

static const char *after = "int fake(void) { return 0; }";

int count_quotes(const char *s)
{
    int n = 0;
    while (*s)
        if (*s++ == '"')
            n++;
    return n;
}
