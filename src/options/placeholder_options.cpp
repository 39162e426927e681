// placeholder so the options library has a body until its first class lands
