// The exported functions, the handle registries and the library-wide state.
