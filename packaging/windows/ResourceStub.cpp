// Carries a program's resources when the program itself is not built (the Qt-free cross
// build), so their icon and version can be checked in a real executable.
int main()
{
    return 0;
}
