// Entry point placeholder: replaced by the start-up code.
int main()
{
    return 0;
}
