// placeholder so the notify library has a body until its first class lands
