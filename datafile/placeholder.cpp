void morvane_datafile_placeholder() {}
