/* A DLL that does nothing: the planting test only looks at whether it loads. */
int KerrowPlanted(void)
{
    return 1;
}
