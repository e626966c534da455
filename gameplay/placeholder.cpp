void morvane_gameplay_placeholder() {}
