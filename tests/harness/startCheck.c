/* The smallest Windows program: it only ends with exit code 0. Started the way the shipped
   program is, it tells a machine that cannot start any 32-bit program under Wine from a
   shipped program that fails to start. */
int main(void)
{
    return 0;
}
