# The smallest 32-bit Linux program: no C library, it only exits with status 42 through the
# 32-bit system call gate. If the kernel runs it, this machine runs 32-bit programs (and so
# 32-bit Wine).
    .globl _start
    .text
_start:
    movl $1, %eax   # exit
    movl $42, %ebx  # status
    int $0x80
