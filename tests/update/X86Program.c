/* A 32-bit program that the update release test packages as the i686
   client: the packaging and the release tool go by its PE header and
   resources only, and the 64-bit build makes no 32-bit client. */
int main(void) {
    return 0;
}
