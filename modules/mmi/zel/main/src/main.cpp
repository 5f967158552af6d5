// ZEL: start-up of the management application.
int main(int, char **)
{
    return 0;
}
