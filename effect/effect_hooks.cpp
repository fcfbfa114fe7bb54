// The effect's hooks, called by the framework's hook dispatcher.
