/* vm.c -- the interpreter loop */
#include "vm.h"

int run(struct vm *vm)
{
    for (;;) {
        unsigned op = vm->code[vm->pc++];
        switch (op & 0xff) {
        case OP_PUSH:
            vm->stack[vm->sp++] = vm->code[vm->pc++];
            break;
        case OP_ADD: {
            int b = vm->stack[--vm->sp];
            int a = vm->stack[--vm->sp];
            vm->stack[vm->sp++] = a + b;
            break;
        }
        case OP_JMP:
            switch (op >> 8) {
            case 0: vm->pc = vm->code[vm->pc]; break;
            case 1: if (vm->stack[vm->sp - 1]) vm->pc = vm->code[vm->pc]; else vm->pc++; break;
            default: return -2;
            }
            break;
        case OP_HALT:
            return vm->stack[vm->sp - 1];
        default:
            return -1;
        }
    }
}

const char *op_name(unsigned op)
{
    switch (op) {
    case OP_PUSH: return "push";
    case OP_ADD:  return "add";
    case OP_JMP:  return "jmp";
    default:      return "?";
    }
}
