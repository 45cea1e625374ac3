int qovPrecompiledHeadersHost() { return 0; }
