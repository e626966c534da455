void morvane_frontend_placeholder() {}
