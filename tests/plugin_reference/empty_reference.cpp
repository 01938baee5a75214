// A shared object with no code of ours: the toolchain's own start-up sections, against
// which the plug-in's are compared.
