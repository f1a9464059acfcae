// Server entries of the control library.
